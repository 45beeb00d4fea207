# Files saved on Windows: the CR before each LF is part of the line end, so it
# shows in no value and no quoted line. A line longer than 255 characters is
# read as two lines, each numbered; one of exactly 255 characters is one line.
# A file with CR alone at its line ends is refused at its first CR, not read
# as one long line.
--- file crlf.cfg
call ab1\r
digipath wide1-1,wide2-2\r
--- file badcrlf.cfg
ssid 1\r
hostx 9600\r
--- file cr.cfg
host 9600\rtnc 4800\rssid 5\r\
--- file long.cfg
ssid 1                                                                                                                                                                                                                                                         \r
ssid 2                                                                                                                                                                                                                                                         ssid 3
bogus
--- stdin
configure crlf.cfg
dconfigure
configure badcrlf.cfg
configure cr.cfg
configure long.cfg
x
--- stdout startup
Command> Configuration items processed 2
Command> Configuration:
Station Call\t   AB1\tSSID 0x00
Base Lat  39.500000\tLon  -104.75000
Host  baud\t57600
DSTAR baud\t9600
TNC   baud\t19200
WIDE Max 3\tWIDE Total 6\tDupe Window 28 sec.
NSR: Disabled\tRelay: Enabled
Digi Path[2]: WIDE1-1,WIDE2-2
Log Port: Yes
Fix Valid: Yes\tPass packets without valid position: No
Halt On Error: No\tDrop Mangled Packet: Yes
Rule count 0\tImplicit Rule Action: Pass
Command> \a\aError: line 2: command hostx invalid: hostx 9600
\a\aError: Configuration processing failed
Command> \a\aError: line 1: carriage return without line feed after: host 9600
\a\aError: Configuration processing failed
Command> \a\aError: line 4: command bogus invalid: bogus
\a\aError: Configuration processing failed
Command> \
