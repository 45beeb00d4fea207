# A running digipeater that logs its traffic without pause: the drain gives
# up after 2 s, the operator is asked for Enter and to power the device, and
# the traffic's first four bytes are shown (the purge after the drain falls
# between two of its lines).
--- file my fw.hex
; test image for the loader
:020000040000FA
:0400000001020304F2

:00000001FF
--- sim --chatter
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
Got 4: 0x4e 0x30 0x43 0x41
Disconnected
Error: Firmware update failed!
\tPower cycle Diriduzede and try again!
Command> \
