:for s S 1 3 0
seek_image S
:next s
