Firmware 2.0 is below the minimum 2.1: code 4, the port closed, so baud is
refused.
--- sim --fw-version 2.0
--- stdin
connect 1
baud 9600
x
--- stdout startup
Command> Connecting at 9600...
\a\aTURN ON the Diriduzede or CYCLE THE POWER if it is already on.
You have 20 seconds to do this...
\a\aError: received Diriduzede version 2.0 but minimal is 2.1!
Command> \a\aError: must be Connected before changing the Baud!
Command> \
