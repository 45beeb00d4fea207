# --help: the usage, the options, the exit statuses; nothing else runs.
--- args --help
--- stdout
Usage: diriduzede [OPTION]...
Sets up a Diriduzede packet digipeater over a serial line.

With no option it starts at the "Command> " prompt, where it reads a
station configuration file and a packet filter rules file, downloads
them to the device and updates its firmware. Type help there for the
commands. The files are read from the folder it was started in.

The checks read their files in the order given, with no port and no
prompt; --list-ports lists and ends too. --trace goes with the prompt.

Options:
  --check-config=FILE    check a station configuration file as configure does
  --check-rules=FILE     check a packet filter rules file as rules does
  --check-firmware=FILE  check an Intel HEX firmware file as firmware does
  --list-ports           list the serial ports and their states
  --trace=FILE           write every byte that crosses the serial line to FILE
  --help                 display this help and exit
  --version              output version information and exit

Exit status: 0 after exit, quit or x, or when every file checked passed;
1 at the end of the input; 2 for a bad command line or a file that
failed its check; 3 when a port read fails.
--- status
0
--- stderr
