With --trace the prompt and the device exchange run as without it: the same
output, byte for byte, as connect_default.
--- args --trace line.txt
--- sim
--- stdin
connect 1
connect 1
disconnect
disconnect
x
--- stdout startup
Command> Connecting at 9600...
\a\aTURN ON the Diriduzede or CYCLE THE POWER if it is already on.
You have 20 seconds to do this...
\aConnected at 9600
Command> \a\aError: already Connected!
Command> Disconnected
Command> \a\aError: not Connected!
Command> \
