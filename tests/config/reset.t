# Each reading starts from the defaults: a second file without a digipath or
# SSID leaves neither from the first. Within one file the last line wins.
--- file first.cfg
digipath wide1-1,wide2-2
ssid 5
ssid 6
--- file second.cfg
call xyz
digipath a,b,c
digipath d
--- stdin
configure first.cfg
dconfigure
configure second.cfg
dconfigure
x
--- stdout startup
Command> Configuration items processed 3
Command> Configuration:
Station Call\tNOTSET\tSSID 0x06
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
Command> Configuration items processed 3
Command> Configuration:
Station Call\t   XYZ\tSSID 0x00
Base Lat  39.500000\tLon  -104.75000
Host  baud\t57600
DSTAR baud\t9600
TNC   baud\t19200
WIDE Max 3\tWIDE Total 6\tDupe Window 28 sec.
NSR: Disabled\tRelay: Enabled
Digi Path[1]: D
Log Port: Yes
Fix Valid: Yes\tPass packets without valid position: No
Halt On Error: No\tDrop Mangled Packet: Yes
Rule count 0\tImplicit Rule Action: Pass
Command> \
