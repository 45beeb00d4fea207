# The worked rows of the rule display, read from a file and shown by drules;
# "dst" and "src" are shown as destin and source.
--- file worked.rules
# worked rows
drop dst ABC-7
pass source *
pass src AB*
pass circle 12.5, 10:00:00, -20:00:00
drop sector 45:00:00, 90:00:00, 0.5
--- stdin
rules worked.rules
drules
x
--- stdout startup
Command> Rules processed 5, implicit 0
Command> Rule count 5 plus Implicit

Action Command   Mods Arguments
Pass   Implicit 
Drop   destin    40   ABC   -7   
Pass   source    30   *   
Pass   source    10   AB    *   
Pass   circle    00   12.500 mi R, 10.000000  D Lat, -20.00000   D Lon 
Drop   sector    00   45.000 D Ang1, 90.000 D Ang2, 0.500 In R, 0.000 Out R
Command> \
