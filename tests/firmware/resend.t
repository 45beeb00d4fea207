# Every resend status with its message and the line number of the file
# (comments and blank lines count), each line sent again until accepted.
# The file has CR LF line ends: its own CR never goes out.
--- file my fw.hex
; test image for the loader, saved with CR LF line ends\r
:020000040000FA\r
:0400000001020304F2\r
\r
:00000001FF\r
--- file expected.hex
:020000040000FA
:0400000001020304F2
:00000001FF
--- sim --save-firmware saved.hex --fw-status 1=0x11,3=0x12,4=none,5=0x42,7=0x15
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
\r\?\?\?s TTC \?\?\?s 33.3% ===================
\a\aError: Firmware updating error: bad record checksum on Line 3, resending.

\a\aError: Firmware updating error: timed out on Line 3, resending.

\a\aError: Firmware updating error: unknown (0x42) on Line 3, resending.
\r\?\?\?s TTC \?\?\?s 66.7% =======================================
\a\aError: Firmware updating error: validation on Line 5, resending.
\r\?\?\?s TTC \?\?\?s 100.0%===========================================================
Disconnected
\a\aFirmware update succeeded!

Power cycle Diriduzede!
Don't forget to Configure Operating Parameters, Process Rules
and Download these to the Diriduzede!
Command> \
--- compare saved.hex expected.hex
