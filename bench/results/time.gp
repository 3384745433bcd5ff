set terminal png size 1400,1000 noenhanced
set output 'time.png'
set logscale xy
set xlabel 'keys'
set ylabel 'seconds'
set key left top font ',8'
set multiplot layout 2,2
set title 'device'
plot 'time-device.dat' using 1:2 with linespoints title 'CIniFile_Read', 'time-device.dat' using 1:3 with linespoints title 'CIniFile_Write', 'time-device.dat' using 1:4 with linespoints title 'CIniFile_lookup', 'time-device.dat' using 1:5 with linespoints title 'IniFile_load', 'time-device.dat' using 1:6 with linespoints title 'IniFile_lookup', 'time-device.dat' using 1:7 with linespoints title 'IniFile_serialize', 'time-device.dat' using 1:8 with linespoints title 'QSettings_load', 'time-device.dat' using 1:9 with linespoints title 'QSettings_write', 'time-device.dat' using 1:10 with linespoints title 'Scan_memchr', 'time-device.dat' using 1:11 with linespoints title 'SimpleIni_load', 'time-device.dat' using 1:12 with linespoints title 'SimpleIni_save', 'time-device.dat' using 1:13 with linespoints title 'inih_hash', 'time-device.dat' using 1:14 with linespoints title 'inih_noop'
set title 'flat'
plot 'time-flat.dat' using 1:2 with linespoints title 'SetupFile_load', 'time-flat.dat' using 1:3 with linespoints title 'SetupFile_lookup', 'time-flat.dat' using 1:4 with linespoints title 'SetupFile_serialize'
set title 'onesection'
plot 'time-onesection.dat' using 1:2 with linespoints title 'CIniFile_Read', 'time-onesection.dat' using 1:3 with linespoints title 'CIniFile_Write', 'time-onesection.dat' using 1:4 with linespoints title 'IniFile_load', 'time-onesection.dat' using 1:5 with linespoints title 'IniFile_lookup', 'time-onesection.dat' using 1:6 with linespoints title 'IniFile_serialize', 'time-onesection.dat' using 1:7 with linespoints title 'QSettings_load', 'time-onesection.dat' using 1:8 with linespoints title 'QSettings_write', 'time-onesection.dat' using 1:9 with linespoints title 'Scan_memchr', 'time-onesection.dat' using 1:10 with linespoints title 'SimpleIni_load', 'time-onesection.dat' using 1:11 with linespoints title 'SimpleIni_save', 'time-onesection.dat' using 1:12 with linespoints title 'inih_hash', 'time-onesection.dat' using 1:13 with linespoints title 'inih_noop'
set title 'sections'
plot 'time-sections.dat' using 1:2 with linespoints title 'CIniFile_Read', 'time-sections.dat' using 1:3 with linespoints title 'CIniFile_Write', 'time-sections.dat' using 1:4 with linespoints title 'IniFile_load', 'time-sections.dat' using 1:5 with linespoints title 'IniFile_lookup', 'time-sections.dat' using 1:6 with linespoints title 'IniFile_serialize', 'time-sections.dat' using 1:7 with linespoints title 'QSettings_load', 'time-sections.dat' using 1:8 with linespoints title 'QSettings_write', 'time-sections.dat' using 1:9 with linespoints title 'Scan_memchr', 'time-sections.dat' using 1:10 with linespoints title 'SimpleIni_load', 'time-sections.dat' using 1:11 with linespoints title 'SimpleIni_save', 'time-sections.dat' using 1:12 with linespoints title 'inih_hash', 'time-sections.dat' using 1:13 with linespoints title 'inih_noop'
unset multiplot
