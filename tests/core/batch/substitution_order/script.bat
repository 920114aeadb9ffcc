:for a X Y 1
:for b Y 7 7
save_image X
:next b
:for c 1 11 12
save_image a1b1
:next c
:next a
