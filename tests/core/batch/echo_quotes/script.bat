:echo "hello world"
:echo
:for i I 1 2
:echo "I x" more
:next i
seek_image 1
