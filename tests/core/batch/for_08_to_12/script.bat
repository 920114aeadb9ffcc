:for n N 08 12
save_image f_N.png
:next n
