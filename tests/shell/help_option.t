# --help: the usage, the options, the exit statuses; nothing else runs.
--- args --help
--- stdout
Usage: diriduzede [OPTION]...
Sets up a Diriduzede packet digipeater over a serial line.

With no option it starts at the "Command> " prompt, where it reads a
station configuration file and a packet filter rules file, downloads
them to the device and updates its firmware. Type help there for the
commands. The files are read from the folder it was started in.

Options:
  --help     display this help and exit
  --version  output version information and exit

Exit status: 0 after exit, quit or x; 1 at the end of the input;
2 for a bad command line; 3 when a port read fails.
--- status
0
--- stderr
