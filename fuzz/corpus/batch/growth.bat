:for a A 1 3
:for b A AA 2
:for c AA AAAA 3
save_image A
:next c
:next b
:next a
