# Refused while connected, without a question; after disconnect the update
# runs (the device powers on anew when the port opens again).
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
connect 1
firmware 1 my fw.hex
disconnect
firmware 1 my fw.hex
y

x
--- stdout startup
Command> Connecting at 9600...
\a\aTURN ON the Diriduzede or CYCLE THE POWER if it is already on.
You have 20 seconds to do this...
\aConnected at 9600
Command> \a\aError: already Connected, Disconnect first!
Command> Disconnected
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
