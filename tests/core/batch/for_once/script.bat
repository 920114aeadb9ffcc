:for k K 5 5
seek_image K
:next k
