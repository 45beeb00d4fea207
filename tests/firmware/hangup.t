# The line hangs up while a record line waits for its status: a failed read
# ends the utility with status 3.
--- file my fw.hex
; test image for the loader
:020000040000FA
:0400000001020304F2

:00000001FF
--- not-windows Wine reads a hung-up pty as a silent line
--- sim --fw-hangup 2
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
--- status
3
