:for n N 01 100
save_image f_N.png
:next n
