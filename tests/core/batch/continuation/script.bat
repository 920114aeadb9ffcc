load_I1_files NEW a\
b.tif c\  
.tif
seek_image \
3
save_image last\