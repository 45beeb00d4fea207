# A whole update: every record line reaches the device in order, exactly as
# in the file; the comment and the blank line are never sent. The progress
# line ends at 100.0 % with its full bar. The file name holds a blank.
--- file my fw.hex
; test image for the loader
:020000040000FA
:0400000001020304F2

:00000001FF
--- file expected.hex
:020000040000FA
:0400000001020304F2
:00000001FF
--- sim --save-firmware saved.hex
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


\r\?\?\?s TTC \?\?\?s 33.3% ===================\
\r\?\?\?s TTC \?\?\?s 66.7% =======================================\
\r\?\?\?s TTC \?\?\?s 100.0%===========================================================
Disconnected
\a\aFirmware update succeeded!

Power cycle Diriduzede!
Don't forget to Configure Operating Parameters, Process Rules
and Download these to the Diriduzede!
Command> \
--- compare saved.hex expected.hex
