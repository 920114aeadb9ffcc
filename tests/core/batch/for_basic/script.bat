:for i %i 1 3
save_image out%i.png
:next i
