:for n N 1 12
save_image f_N.png
:next n
