"Version" without its blank is no version, and a "Version 2.1a" before the
device's name does not count: the search starts at the name.
--- file banner
\r\nVersion 2.1a\r\nDiriduzede digipeater\r\nVersion2.1a\r\nRelays D-STAR and TNC packets by call sign and position\r\n\
--- sim --banner-file banner
--- stdin
connect 1
x
--- stdout startup
Command> Connecting at 9600...
\a\aTURN ON the Diriduzede or CYCLE THE POWER if it is already on.
You have 20 seconds to do this...
\a\aError: did not receive the Diriduzede version (minimum 2.1)!
Command> \
