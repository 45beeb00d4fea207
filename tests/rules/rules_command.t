# The rules command: its file name runs to a comma or tab and may hold
# blanks; a failed reading leaves no rules but keeps the implicit action set
# before the bad line; a missing file changes nothing.
--- file my rules.txt
drop implicit
pass src ABC
pass circle 1 10:00:00 020:00:00
--- file good.rules
pass src ABC
--- stdin
rules
rules good.rules, ignored
drules
rules  good.rules
rules my rules.txt
drules
.
rules good.rules
rules nothing.rules
drules
x
--- stdout startup
Command> \a\aError: missing argument: file_name
Command> Rules processed 1, implicit 0
Command> Rule count 1 plus Implicit

Action Command   Mods Arguments
Pass   Implicit 
Pass   source    00   ABC      
Command> \a\aError: cannot open  good.rules
\a\aError: Rule processing failed
Command> \a\aError: Colon format: must have 2 colons: [s][D]DD:MM:SS[.F*]
\a\aError: my rules.txt[3]: invalid Latitude range [-90..90]: 340282346638528859811704183484516925440.000000:
pass circle 1 10:00:00 020:00:00
\a\aError: Rule processing failed
Command> No Rules are configured!  Implicit Rule Action is Drop
Command> No Rules are configured!  Implicit Rule Action is Drop
Command> Rules processed 1, implicit 0
Command> \a\aError: cannot open nothing.rules
\a\aError: Rule processing failed
Command> Rule count 1 plus Implicit

Action Command   Mods Arguments
Pass   Implicit 
Pass   source    00   ABC      
Command> \
