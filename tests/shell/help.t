# HELP, Help, h and ? all print the summary; exit ends with status 0.
--- stdin
HELP
h
?
exit
--- stdout startup
Command> 
\t\tCommand Summary:
Command    Arguments            Comments
help                            Displays this summary (alias ?)
.                               Repeats the previous command
angles                          Displays the Angles format used for Lat and Lon
baud       baud                 Changes the baud rates on host and Diriduzede
\t\t\t\tonce connected. Default [ ]
           Valid Baud Rates:\t4800 [9600] 19200 38400 57600 

configure  file_name            Reads a Configuration file
dconfigure                      Displays the Configuration
rules      file_name            Reads a Rules file
drules                          Displays the Rules
connect    com_port [baud]      Connect to Diriduzede at optional baud
\t\t\t\t(8 bits No Parity 1 Stop)
disconnect                      Disconnect from the Diriduzede
download                        Download Configuration and Rules to Diriduzede
firmware   com_port file_name   Update Diriduzede firmware from firmware file
exit                            Exits this program (aliases quit, x)
Command> 
\t\tCommand Summary:
Command    Arguments            Comments
help                            Displays this summary (alias ?)
.                               Repeats the previous command
angles                          Displays the Angles format used for Lat and Lon
baud       baud                 Changes the baud rates on host and Diriduzede
\t\t\t\tonce connected. Default [ ]
           Valid Baud Rates:\t4800 [9600] 19200 38400 57600 

configure  file_name            Reads a Configuration file
dconfigure                      Displays the Configuration
rules      file_name            Reads a Rules file
drules                          Displays the Rules
connect    com_port [baud]      Connect to Diriduzede at optional baud
\t\t\t\t(8 bits No Parity 1 Stop)
disconnect                      Disconnect from the Diriduzede
download                        Download Configuration and Rules to Diriduzede
firmware   com_port file_name   Update Diriduzede firmware from firmware file
exit                            Exits this program (aliases quit, x)
Command> 
\t\tCommand Summary:
Command    Arguments            Comments
help                            Displays this summary (alias ?)
.                               Repeats the previous command
angles                          Displays the Angles format used for Lat and Lon
baud       baud                 Changes the baud rates on host and Diriduzede
\t\t\t\tonce connected. Default [ ]
           Valid Baud Rates:\t4800 [9600] 19200 38400 57600 

configure  file_name            Reads a Configuration file
dconfigure                      Displays the Configuration
rules      file_name            Reads a Rules file
drules                          Displays the Rules
connect    com_port [baud]      Connect to Diriduzede at optional baud
\t\t\t\t(8 bits No Parity 1 Stop)
disconnect                      Disconnect from the Diriduzede
download                        Download Configuration and Rules to Diriduzede
firmware   com_port file_name   Update Diriduzede firmware from firmware file
exit                            Exits this program (aliases quit, x)
Command> \
--- status
0
