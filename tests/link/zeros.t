Zero bytes after every byte of the device's answers, and noise before
each, do not stop a connect: the port drops the zeros.
--- sim --zeros --noise 3
--- stdin
connect 1
x
--- stdout startup
Command> Connecting at 9600...
\a\aTURN ON the Diriduzede or CYCLE THE POWER if it is already on.
You have 20 seconds to do this...
\aConnected at 9600
Command> \
