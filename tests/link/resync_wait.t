A re-sync against a device that answers the CR with the bare prompt: the
1024-byte read waits its whole 20 s, then finds the prompt.
--- sim
--- stdin
connect 1
baud 4800
disconnect
x
--- stdout startup
Command> Connecting at 9600...
\a\aTURN ON the Diriduzede or CYCLE THE POWER if it is already on.
You have 20 seconds to do this...
\aConnected at 9600
Command> Connecting at 4800...
\aConnected at 4800
Command> Disconnected
Command> \
