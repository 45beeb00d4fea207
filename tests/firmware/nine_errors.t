# Nine statuses other than ACK over the whole transfer still end in success.
--- file my fw.hex
; test image for the loader
:020000040000FA
:0400000001020304F2

:00000001FF
--- file expected.hex
:020000040000FA
:0400000001020304F2
:00000001FF
--- sim --save-firmware saved.hex --fw-status 1=0x11,2=0x12,3=0x15,4=0x42,6=0x11,7=none,8=0x15,9=0x11,10=0x12
--- stdin
firmware com1 my fw.hex
y

x
--- stdout startup
Command> \a\aWARNING! This will alter the Diriduzede firmware!
Do you want to continue (n or y)? [n]: 
\a\aWARNING! The Diriduzede Firmware is about to be updated!
This will take less than 5 minutes.
Do NOT interrupt the process once started!
If power is interrupted during this process you may not be able
to communicate with the Diriduzede due to firmware corruption.
If this happens correct the power problem and restart this entire process.

Type the Enter key when you are ready to continue...
To begin TURN ON the Diriduzede or CYCLE THE POWER if it is already on.
\a\aYou have 20 seconds to do this...\a
Connected at 19200



\a\aError: Firmware updating error: didn't get start character on Line 2, resending.

\a\aError: Firmware updating error: bad record checksum on Line 2, resending.

\a\aError: Firmware updating error: validation on Line 2, resending.

\a\aError: Firmware updating error: unknown (0x42) on Line 2, resending.
\r\?\?\?s TTC \?\?\?s 33.3% ===================
\a\aError: Firmware updating error: didn't get start character on Line 3, resending.

\a\aError: Firmware updating error: timed out on Line 3, resending.

\a\aError: Firmware updating error: validation on Line 3, resending.

\a\aError: Firmware updating error: didn't get start character on Line 3, resending.

\a\aError: Firmware updating error: bad record checksum on Line 3, resending.
\r\?\?\?s TTC \?\?\?s 66.7% =======================================\
\r\?\?\?s TTC \?\?\?s 100.0%===========================================================
Disconnected
\a\aFirmware update succeeded!

Power cycle Diriduzede!
Don't forget to Configure Operating Parameters, Process Rules
and Download these to the Diriduzede!
Command> \
--- compare saved.hex expected.hex
