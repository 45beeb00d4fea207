End of input while a question waits is a refusal after a newline; the next
prompt then meets end of input too.
--- sim
--- stdin
connect 1
download
--- stdout startup
Command> Connecting at 9600...
\a\aTURN ON the Diriduzede or CYCLE THE POWER if it is already on.
You have 20 seconds to do this...
\aConnected at 9600
Command> \a\aWarning: Configuration file has not yet been processed!
Do you want to use the Default Configuration? (yes|no) [no]: \

\a\aDownload Aborted!
Command> 
--- status
1
