:for a A 1 2
:for b B 1 2
save_image A-B.png
:next b
:next a
