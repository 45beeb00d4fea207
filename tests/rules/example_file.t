# The sample rules file is accepted whole; every kind of rule is shown.
--- stdin
rules examples/filters.rules
drules
x
--- stdout startup
Command> Rules processed 13, implicit 1
Command> Rule count 13 plus Implicit

Action Command   Mods Arguments
Drop   Implicit 
Pass   destin    00   APRS     
Drop   destin    40   BEACON-15   
Pass   destin    10   AP    *   
Pass   source    40   KD0ABC-9   
Pass   source    10   W0    *   
Drop   source    00   NOCALL   
Drop   source    30   *   
Pass   circle    00   25.000 mi R, 39.741665  D Lat, -104.98611  D Lon 
Pass   circle    00   7.500 mi R, 38.833332  D Lat, -104.81667  D Lon 
Pass   compass   00   NE Dir, 39.500000  D Lat, -105.16666  D Lon 
Drop   rectangle 00   40.000000  D Lat1, -106.00000  D Lon1, 41.000000  D Lat2, -105.00000  D Lon2
Pass   sector    00   0.000 D Ang1, 90.000 D Ang2, 2.000 In R, 40.000 Out R
Drop   sector    00   180.000 D Ang1, 270.000 D Ang2, 0.500 In R, 0.000 Out R
Command> \
