# A device that never answers: the whole power-on wait of about 20 s, then
# the port is closed.
--- file my fw.hex
; test image for the loader
:020000040000FA
:0400000001020304F2

:00000001FF
--- sim --silent
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
\a\aYou have 20 seconds to do this...
\a\aError: did not receive the Diriduzede Firmware prompt!
No data was read!
Disconnected
Error: Firmware update failed!
\tPower cycle Diriduzede and try again!
Command> \
