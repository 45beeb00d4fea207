The minor number is read after the first "." that follows "Version ", even
when something stands between: "2-rc.1" reads as 2.1 and passes.
--- sim --fw-version 2-rc.1
--- stdin
connect 1
x
--- stdout startup
Command> Connecting at 9600...
\a\aTURN ON the Diriduzede or CYCLE THE POWER if it is already on.
You have 20 seconds to do this...
\aConnected at 9600
Command> \
