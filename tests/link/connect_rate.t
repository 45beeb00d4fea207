A connect at an explicit rate, the device confirming the line's rate; a
rate the device does not take leaves the link as it was; a speed change
re-syncs (the device fills its answer so the read ends at once).
--- sim --fill
--- stdin
connect com1 57600
baud 7
baud 19200
disconnect
x
--- stdout startup
Command> Connecting at 57600...
\a\aTURN ON the Diriduzede or CYCLE THE POWER if it is already on.
You have 20 seconds to do this...
\aConnected at 57600
Command> \a\aError: invalid baud rate: 7
Command> Connecting at 19200...
\aConnected at 19200
Command> Disconnected
Command> \
