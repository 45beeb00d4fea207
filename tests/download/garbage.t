A reply byte that is neither ACK nor NAK to the rules command.
--- sim --garbage 4 --garbage-byte 255
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
Downloading Configuration succeeded
\a\aError: reading ack or nak: got 0xff
\a\aError: writing Rules command failed: -5
\a\aError: Download failed: -3
\a\aPlease Power OFF the Diriduzede and power it back on to RESET it.
Disconnected
Command> \a\aError: not Connected!
Command> \
--- status
0
