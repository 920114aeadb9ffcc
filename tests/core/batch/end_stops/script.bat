seek_image 1
:end
seek_image 2
