:for n N 008 012
save_image f_N.png
:next n
