# Plots the CSV of ryxo_scale_bench (variable `csv`) into two PNG files (`frame_png`, `upload_png`):
# time against the instance count, log-log, one line per method.
set datafile separator ","
set datafile missing "NaN"
set terminal pngcairo size 900,600 font ",11" noenhanced
set logscale xy
set grid
set key top left
set xlabel "instances N"
set format x "1e%L"
set format y "1e%L"

set output frame_png
set title "One frame: one instance set of N cubes against N host objects (one draw call each)"
set ylabel "seconds"
plot csv using 1:2 skip 1 with linespoints title "one set: host thread's frame work", \
     csv using 1:3 skip 1 with linespoints title "one set: finished frame", \
     csv using 1:4 skip 1 with linespoints title "host objects: host thread's frame work", \
     csv using 1:5 skip 1 with linespoints title "host objects: finished frame", \
     csv using 1:14 skip 1 with linespoints dashtype 3 title "one set: finished frame, one-pixel scissor", \
     csv using 1:15 skip 1 with linespoints dashtype 3 title "host objects: finished frame, one-pixel scissor"

set output upload_png
set title "GeoInst_Update and GeoInst_UpdateInstance of N instances against their floors"
plot csv using 1:6 skip 1 with linespoints title "GeoInst_Update, none excluded", \
     csv using 1:7 skip 1 with linespoints dashtype 2 title "lock + memcpy + unlock, same bytes", \
     csv using 1:8 skip 1 with linespoints title "GeoInst_Update, every 10th excluded", \
     csv using 1:9 skip 1 with linespoints dashtype 2 title "lock + memcpy + unlock, same bytes (9/10)", \
     csv using 1:10 skip 1 with linespoints title "GeoInst_Update, half excluded at random", \
     csv using 1:11 skip 1 with linespoints dashtype 2 title "lock + memcpy + unlock, same bytes (1/2)", \
     csv using 1:16 skip 1 with linespoints dashtype 3 title "lock + compaction loop + unlock (1/2)", \
     csv using 1:12 skip 1 with linespoints title "GeoInst_UpdateInstance of all N", \
     csv using 1:13 skip 1 with linespoints dashtype 2 title "the C runtime's three sin/cos pairs per instance", \
     csv using 1:17 skip 1 with linespoints dashtype 3 title "the matrices composed and stored from sines worked out before"
