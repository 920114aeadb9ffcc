seek_image 1
:rem_start
seek_image 2
:for i I 1 3
:echo hidden
:rem_end
seek_image 3
:rem_start
:end
seek_image 4
