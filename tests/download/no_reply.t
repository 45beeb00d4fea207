No reply to the second configuration data packet: after 5 seconds -4 with 0,
no resend, and the sequence stops.
--- sim --no-reply 3
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
\a\aError: reading ack or nak: 0
\a\aError: writing data pkt: -4
\a\aError: writing Configuration file failed: -3
\a\aError: Download failed: -2
\a\aPlease Power OFF the Diriduzede and power it back on to RESET it.
Disconnected
Command> \a\aError: not Connected!
Command> \
--- status
0
