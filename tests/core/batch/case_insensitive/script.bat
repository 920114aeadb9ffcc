seek_image 3
SEEK_IMAGE 3
Seek_Image 4
:FOR i %i 1 2
save_image a%i.png
:NEXT i
