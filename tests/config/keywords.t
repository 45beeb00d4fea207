# Keywords in any case and shortened; every field away from its default.
# Ambiguous and unknown keywords stop the reading at their line.
--- file mixed.cfg
CALL ab1
S 0x0f
Pos 12.30.0, -45.15.0
L no
DR 0
ha yes
f off
ho 14400
T 115200
DsTaR 4800
n True
r n
widem 1
WIDET 2
du 500
DI wide1-1,,relay,ABCDEFGH
--- file h.cfg
h 9600
--- file wide.cfg
# a comment line counts as a line
wide 3
--- file hostx.cfg
hostx 9600
--- stdin
conf mixed.cfg
dc
conf h.cfg
conf wide.cfg
conf hostx.cfg
configure
x
--- stdout startup
Command> Configuration items processed 16
Command> Configuration:
Station Call\t   AB1\tSSID 0x0f
Base Lat  12.500000\tLon   -45.25000
Host  baud\t14400
DSTAR baud\t4800
TNC   baud\t115200
WIDE Max 1\tWIDE Total 2\tDupe Window 500 sec.
NSR: Enabled\tRelay: Disabled
Digi Path[3]: WIDE1-1,RELAY,ABCDEFGH
Log Port: No
Fix Valid: No\tPass packets without valid position: No
Halt On Error: Yes\tDrop Mangled Packet: No
Rule count 0\tImplicit Rule Action: Pass
Command> \a\aError: line 1: Ambiguous command: h: h 9600
\a\aError: Configuration processing failed
Command> \a\aError: line 2: Ambiguous command: wide: wide 3
\a\aError: Configuration processing failed
Command> \a\aError: line 1: command hostx invalid: hostx 9600
\a\aError: Configuration processing failed
Command> \a\aError: missing argument: file_name
Command> \
