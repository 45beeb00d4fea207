A device that sends nothing: after the 20 s banner wait, code 3 with an
empty dump; the port is closed again.
--- sim --silent
--- stdin
connect 1
disconnect
x
--- stdout startup
Command> Connecting at 9600...
\a\aTURN ON the Diriduzede or CYCLE THE POWER if it is already on.
You have 20 seconds to do this...
\a\aError: did not receive the Diriduzede prompt!
Expected: Diriduzede
Got: length 0 (0x0):
Command> \a\aError: not Connected!
Command> \
