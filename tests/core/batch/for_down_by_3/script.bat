:for k K 10 1 3
seek_image K
:next k
