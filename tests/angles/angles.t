# The angles command writes its help text and one more newline, in any state;
# 'a' is enough of the word.
--- stdin
a
x
--- stdout startup
Command> Colon, Dotted and DMC formats for Angles, Latitudes and Longitudes

Colon format

The Colon format is a fixed position notation separated by colons, with an
optional negative sign and optional fractional seconds. Two (2) colons are
always required, and no embedded white space is allowed.

\t [s]DD:MM:SS[.F*]\t\tfor Latitudes
\t[s]DDD:MM:SS[.F*]\t\tfor Longitudes

Where:
\ts\t\tis an optional negative sign (-) representing South
\t\t\tLatitudes or West Longitudes
\tDD\t\tis 2 decimal digits of Latitude degrees
\tDDD\t\tis 3 decimal digits of Longitude degrees
\tMM\t\tis 2 decimal digits of minutes
\tSS\t\tis 2 decimal digits of whole seconds
\t.F*\t\tis an optional decimal point and 0 or more decimal
\t\t\tdigits of fractional seconds

Examples:

\t45:22:33\t-103:00:00\t-38:33:29.222\t45:18:


Dotted format

The Dotted format is a fixed position notation separated by periods, with an
optional negative sign and optional fractional minutes. Two (2) periods are
always required, and no embedded white space is allowed.

\t [s]DD.MM.[F*]\t\tfor Latitudes
\t[s]DDD.MM.[F*]\t\tfor Longitudes

Where:
\ts\t\tis an optional negative sign (-) representing South
\t\t\tLatitudes or West Longitudes
\tDD\t\tis 2 decimal digits of Latitude degrees
\tDDD\t\tis 3 decimal digits of Longitude degrees
\tMM\t\tis 2 decimal digits of minutes
\tF*\t\tis an optional decimal point and 0 or more decimal
\t\t\tdigits representing fractional Latitude or Longitude minutes

Examples:

\t45.22.64\t-103.00.\t-38.33.379


DMC format

The DMC format gives a wide range of ways to write any latitude or
longitude, and checks what is written against illegal ranges and against
directions that contradict each other.

DMC stands for Degrees, Minutes and seConds. S cannot be the identifier
of seconds, because it is kept for the S (South) direction, so seconds
are marked with C.

An angle identifier must follow its number, which may be an integer or a
decimal number. White space (any combination of spaces and tabs) may
stand between the number and its identifier. The angle identifiers
are:
\tD, d\tDegrees
\tM, m\tMinutes
\tC, c\tseConds

A direction identifier may be written before or after any one of the
angle specifiers. The direction identifiers are:
\tN, n\tNorth
\tS, s\tSouth
\tE, e\tEast
\tW, w\tWest

Direction identifiers are optional. A latitude written without a
direction identifier (or a negative sign) is a North latitude, and a
longitude written without one is an East longitude. Use S for South
latitudes and W for West longitudes.

A negative sign (-) may be used instead of a direction identifier. It
goes on one and only one of the degrees, minutes or seconds parts,
usually the degrees, it may appear only once, and it cannot be used
together with direction identifiers.

Any legal combination of degrees, minutes and seconds may be used, and
each part may carry a fraction. The parts may come in any order, so
30m 39d is the same as 39d 30m and as 39.5d. Each part may be given
only once, and minutes and seconds must stay below 60.

Examples:

\tN 39d 23.7m 33.9c\t# a North latitude
\t39d23.7m33.9C\t\t# the same thing
\t39.404415D\t\t# the same thing (approx.)
\tn39.395d 33.9c\t\t# the same thing (approx.)
\t-42.5d\t\t\t# South latitude or West longitude
\tS 33d 52m 4.8c\t\t# a South latitude
\t151d 12m 30c W\t\t# a West longitude
\t-151.208333d\t\t# the same thing (approx.)

Command> \
