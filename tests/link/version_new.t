A newer major version passes whatever its minor number.
--- sim --fw-version 3.0
--- stdin
connect 1
x
--- stdout startup
Command> Connecting at 9600...
\a\aTURN ON the Diriduzede or CYCLE THE POWER if it is already on.
You have 20 seconds to do this...
\aConnected at 9600
Command> \
