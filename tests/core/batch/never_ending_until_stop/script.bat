:for i I 1 3 -1
seek_image I
:next i
