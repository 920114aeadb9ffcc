:for n N 001 100
save_image f_N.png
:next n
