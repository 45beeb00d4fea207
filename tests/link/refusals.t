Refusals before anything is opened: port words, rates the device does not
take (1200 is one the port could set), baud and disconnect while not
connected.
--- stdin
connect
connect 21
connect port3
connect com
connect 1 1200
connect com1 abc
baud 9600
baud
disconnect
x
--- stdout startup
Command> \a\aError: missing argument: com_port
Command> \a\aError: invalid COM port number (1..20): 21
Command> \a\aError: invalid COM port number (1..20): port3
Command> \a\aError: invalid COM port number (1..20): com
Command> \a\aError: invalid baud rate: 1200
Command> \a\aError: invalid baud rate: 0
Command> \a\aError: must be Connected before changing the Baud!
Command> \a\aError: must be Connected before changing the Baud!
Command> \a\aError: not Connected!
Command> \
