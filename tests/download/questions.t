The download's two questions: refused while not connected; 'no' or an empty
line to the first aborts and asks nothing more, still connected; an answer
over 255 characters is cut there and the rest of its line is thrown away, so
the 'exit' at its end never runs (drules does); 'yes' to both downloads and
disconnects.
--- sim
--- stdin
download
connect 1
download
no
download

download
yes
nooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooooexit
drules
download
yxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx
YES
disconnect
x
--- stdout startup
Command> \a\aError: not Connected!
Command> Connecting at 9600...
\a\aTURN ON the Diriduzede or CYCLE THE POWER if it is already on.
You have 20 seconds to do this...
\aConnected at 9600
Command> \a\aWarning: Configuration file has not yet been processed!
Do you want to use the Default Configuration? (yes|no) [no]: \
\a\aDownload Aborted!
Command> \a\aWarning: Configuration file has not yet been processed!
Do you want to use the Default Configuration? (yes|no) [no]: \
\a\aDownload Aborted!
Command> \a\aWarning: Configuration file has not yet been processed!
Do you want to use the Default Configuration? (yes|no) [no]: \

\a\aWarning: Rules file has not yet been processed!
Do you  want to use the Implicit Rule only without specific rules?
(yes|no) [no]: \
\a\aDownload Aborted!
Command> No Rules are configured!  Implicit Rule Action is Pass
Command> \a\aWarning: Configuration file has not yet been processed!
Do you want to use the Default Configuration? (yes|no) [no]: \

\a\aWarning: Rules file has not yet been processed!
Do you  want to use the Implicit Rule only without specific rules?
(yes|no) [no]: \
Downloading Configuration succeeded
Downloading Rules succeeded
\a\aPlease Power OFF the Diriduzede and power it back on to RESET it.
Disconnected
Command> \a\aError: not Connected!
Command> \
--- status
0
