:for s S 3 1 x
seek_image S
:next s
