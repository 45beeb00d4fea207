The device confirms another rate than the one asked for: code 6, the
expected text and the reply dumped as received. The banner is 99 bytes, so
the banner read (the prompt byte and 99) takes it all and the reply stands
alone.
--- file banner
\r\nDiriduzede digipeater R3\r\nVersion 2.1a\r\nRelays D-STAR and TNC packets by call sign and position\r\n\
--- sim --banner-file banner --confirm-rate 4800
--- stdin
connect 1
baud 9600
x
--- stdout startup
Command> Connecting at 9600...
\a\aTURN ON the Diriduzede or CYCLE THE POWER if it is already on.
You have 20 seconds to do this...
\a\aError: did not receive the Diriduzede Connected string!
Expected Connected 9600
Got: length 24 (0x18):
Dec  Hex |  0  1  2  3  4  5  6  7    8  9  a  b  c  d  e  f | 0123456789abcdef
   0 0000| 43 6f 6e 6e 65 63 74 65   64 20 34 38 30 30 0d 0a | Connected 4800..
  16 0010| 52 75 64 6f 64 61 3e 20                           | Rudoda> 
Command> \a\aError: must be Connected before changing the Baud!
Command> \
