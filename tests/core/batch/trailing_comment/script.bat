seek_image 3 # go
