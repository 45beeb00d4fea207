A re-sync whose answer holds no prompt: code 8, the link is dropped, and
connect is accepted again.
--- sim --fill --no-prompt
--- stdin
connect 1
baud 38400
disconnect
connect 1
disconnect
x
--- stdout startup
Command> Connecting at 9600...
\a\aTURN ON the Diriduzede or CYCLE THE POWER if it is already on.
You have 20 seconds to do this...
\aConnected at 9600
Command> Connecting at 38400...
\a\aError: did not receive the Diriduzede prompt!
Command> \a\aError: not Connected!
Command> Connecting at 9600...
\a\aTURN ON the Diriduzede or CYCLE THE POWER if it is already on.
You have 20 seconds to do this...
\aConnected at 9600
Command> Disconnected
Command> \
