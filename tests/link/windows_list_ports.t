Windows: --list-ports lists the COM ports the system reports, each with the
device behind it and its state, and ends with status 0. Under Wine the
simulator is COM1; Wine adds a COM port for each /dev/ttyS that has a UART.
--- platform windows
--- sim
--- args --list-ports
--- stdout re
COM1   free        \\Device\\Serial[0-9]+(\nCOM[0-9]+ +[a-z ]+ +\S.*)*
