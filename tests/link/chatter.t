A running digipeater that logs its traffic without pause: the drain gives up
after 2 s instead of hanging, the operator is asked to power the device,
and the traffic read as the banner is dumped (two whole lines, since the
purge after the drain falls between two lines).
--- sim --chatter
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
   0 0000| 4e 30 43 41 4c 4c 2d 37   3e 41 50 44 5a 32 31 2c | N0CALL-7>APDZ21,
  16 0010| 57 49 44 45 32 2d 31 3a   3e 74 72 61 66 66 69 63 | WIDE2-1:>traffic
  32 0020| 20 6f 6e 20 74 68 65 20   54 4e 43 20 70 6f 72 74 |  on the TNC port
  48 0030| 0d 0a 4e 30 43 41 4c 4c   2d 37 3e 41 50 44 5a 32 | ..N0CALL-7>APDZ2
  64 0040| 31 2c 57 49 44 45 32 2d   31 3a 3e 74 72 61 66 66 | 1,WIDE2-1:>traff
  80 0050| 69 63 20 6f 6e 20 74 68   65 20 54 4e 43 20 70 6f | ic on the TNC po
  96 0060| 72 74 0d 0a                                       | rt..
Command> \
