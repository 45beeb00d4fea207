# The summary brackets the rate connect uses without one: the D-STAR rate of
# the image. 19200 moves the bracket; 1200, not a rate the device takes,
# leaves none bracketed.
--- file fast.cfg
dstar 19200
--- file slow.cfg
dstar 1200
--- stdin
configure fast.cfg
help
configure slow.cfg
help
x
--- stdout startup
Command> Configuration items processed 1
Command> 
\t\tCommand Summary:
Command    Arguments            Comments
help                            Displays this summary (alias ?)
.                               Repeats the previous command
angles                          Displays the Angles format used for Lat and Lon
baud       baud                 Changes the baud rates on host and Diriduzede
\t\t\t\tonce connected. Default [ ]
           Valid Baud Rates:\t4800 9600 [19200] 38400 57600 

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
Command> Configuration items processed 1
Command> 
\t\tCommand Summary:
Command    Arguments            Comments
help                            Displays this summary (alias ?)
.                               Repeats the previous command
angles                          Displays the Angles format used for Lat and Lon
baud       baud                 Changes the baud rates on host and Diriduzede
\t\t\t\tonce connected. Default [ ]
           Valid Baud Rates:\t4800 9600 19200 38400 57600 

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
