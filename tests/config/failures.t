# A bad line stops the reading with one message naming it; the lines before it
# stay set. Files that do not open (missing, a folder) leave the image alone.
--- file keep.cfg
call ab1cde
ssid 3
digipath a,b
dupewin 501
tnc 9600
--- file here.cfg
position # here
--- file zero.cfg
host 0
--- file comment.cfg
log # y
--- stdin
configure keep.cfg
configure nothere.cfg
configure examples
dconfigure
configure here.cfg
configure zero.cfg
configure comment.cfg
x
--- stdout startup
Command> \a\aError: line 4: invalid seconds argument range [5..500]: 501: dupewin 501
\a\aError: Configuration processing failed
Command> \a\aError: cannot open nothere.cfg
\a\aError: Configuration processing failed
Command> \a\aError: cannot open examples
\a\aError: Configuration processing failed
Command> Configuration:
Station Call\tAB1CDE\tSSID 0x03
Base Lat  39.500000\tLon  -104.75000
Host  baud\t57600
DSTAR baud\t9600
TNC   baud\t19200
WIDE Max 3\tWIDE Total 6\tDupe Window 28 sec.
NSR: Disabled\tRelay: Enabled
Digi Path[2]: A,B
Log Port: Yes
Fix Valid: Yes\tPass packets without valid position: No
Halt On Error: No\tDrop Mangled Packet: Yes
Rule count 0\tImplicit Rule Action: Pass
Command> \a\aError: Unrecognized format: must be one of Dotted, Colon or DMC
\a\aError: line 1: invalid Station Latitude argument: #: position # here
\a\aError: Configuration processing failed
Command> get_baud: Error: invalid baud: 0
\a\aError: line 1: invalid Baud argument: 0: host 0
\a\aError: Configuration processing failed
Command> \a\aError: line 1: missing y | n argument: log # y
\a\aError: Configuration processing failed
Command> \
