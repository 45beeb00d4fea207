# Windows: the loader stops taking bytes before the third record line: the
# host's write of it times out (-11), reported with the system's text (here
# Wine's) and by the loader, and the port is closed.
--- platform windows
--- file my fw.hex
; test image for the loader
:020000040000FA
:0400000001020304F2

:00000001FF
--- sim --fw-stall 3 --save-firmware saved.hex
--- file expected.hex
:020000040000FA
:0400000001020304F2
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


\r\?\?\?s TTC \?\?\?s 33.3% ===================\r\?\?\?s TTC \?\?\?s 66.7% =======================================\a\aError: wrote 0 of 12, got error on port COM1: Timeout.
\a\aError: wrote FIRMSYNC attention character, got error on port COM1
Disconnected
Error: Firmware update failed!
\tPower cycle Diriduzede and try again!
Command> \
--- compare saved.hex expected.hex
--- status
0
