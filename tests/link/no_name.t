A banner without the device's name (here with a byte above 127 in it):
code 3 and the banner dumped, that byte shown as # (hex 23).
--- file banner
\r\nDiriduz\xe9de digipeater R3\r\nVersion 2.1a\r\nRelays D-STAR and TNC packets by call sign and position\r\n\
--- sim --banner-file banner
--- stdin
connect 1
x
--- stdout startup
Command> Connecting at 9600...
\a\aTURN ON the Diriduzede or CYCLE THE POWER if it is already on.
You have 20 seconds to do this...
\a\aError: did not receive the Diriduzede prompt!
Expected: Diriduzede
Got: length 100 (0x64):
Dec  Hex |  0  1  2  3  4  5  6  7    8  9  a  b  c  d  e  f | 0123456789abcdef
   0 0000| 05 0d 0a 44 69 72 69 64   75 7a 23 64 65 20 64 69 | ...Diriduz#de di
  16 0010| 67 69 70 65 61 74 65 72   20 52 33 0d 0a 56 65 72 | gipeater R3..Ver
  32 0020| 73 69 6f 6e 20 32 2e 31   61 0d 0a 52 65 6c 61 79 | sion 2.1a..Relay
  48 0030| 73 20 44 2d 53 54 41 52   20 61 6e 64 20 54 4e 43 | s D-STAR and TNC
  64 0040| 20 70 61 63 6b 65 74 73   20 62 79 20 63 61 6c 6c |  packets by call
  80 0050| 20 73 69 67 6e 20 61 6e   64 20 70 6f 73 69 74 69 |  sign and positi
  96 0060| 6f 6e 0d 0a                                       | on..
Command> \
