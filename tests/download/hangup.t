The device hangs up during the download: the reply read fails, both
standard-error lines come, and the run ends with status 3.
--- not-windows Wine reads a hung-up pty as a silent line
--- sim --hangup-packet 3
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
--- stderr re
\a\aError: could not read on COM port COM1: .+
Return code 26, system error code [1-9][0-9]*

abnormal program termination
--- status
3
