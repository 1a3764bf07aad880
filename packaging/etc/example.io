# The communication program of section "example" (quorsma-io@example): the
# stations it polls and what it moves.  Copy this file to
# /etc/quorsma/INSTANCE.io for section INSTANCE (options, such as -v, in
# INSTANCE.io.env: QUORSMA_OPTIONS=...).  Grammar: man quorsma-io and the
# README, "Field I/O".
#
# A remote I/O coupler with 16 inputs and 16 outputs.  M9000 is on while it
# answers; D9000 counts its consecutive failed cycles.
station coupler tcp 127.0.0.1:502 unit 1 period 20 timeout 200 retries 1 health M9000 failures D9000
read  discrete-inputs 0 X0 16
write coils 0 Y0 16 safe 0
