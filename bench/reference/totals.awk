# Reference for the benchmarks: the count and totals of one year of an evidor.log, as plain
# awk computes them (run with mawk -v year=YYYY). Fields: date time day duration price
# impulses sent received speed utilisation provider...
substr($1, 7, 4) == year {
    n++
    price += $5
    impulses += $6
    sent += $7
    received += $8
    speed += $9
    split($4, t, ":")
    seconds += t[1] * 3600 + t[2] * 60 + t[3]
}
END {
    printf "rows\t%d\nseconds\t%d\nimpulses\t%d\nprice\t%.2f\nreceived\t%.0f\nsent\t%.0f\nspeed\t%d\n",
        n, seconds, impulses, price / 100, received, sent, (n ? int(speed / n) : 0)
}
