:next nothing
:next
foo bar
:for i I 1 1
:next I
