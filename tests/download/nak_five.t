Five NAKs of the configuration command: -6 without a message of its own,
reported by the configuration command's message; the port is closed all the same.
--- sim --nak 1 --nak-times 5
--- stdin
connect 1
download
yes
yes
disconnect
x
--- stdout startup
Command> Connecting at 9600...
\a\aTURN ON the Diriduzede or CYCLE THE POWER if it is already on.
You have 20 seconds to do this...
\aConnected at 9600
Command> \a\aWarning: Configuration file has not yet been processed!
Do you want to use the Default Configuration? (yes|no) [no]: \

\a\aWarning: Rules file has not yet been processed!
Do you  want to use the Implicit Rule only without specific rules?
(yes|no) [no]: \
\a\aError: writing Configuration command failed: -6
\a\aError: Download failed: -1
\a\aPlease Power OFF the Diriduzede and power it back on to RESET it.
Disconnected
Command> \a\aError: not Connected!
Command> \
--- status
0
