:for k REF 0 1
align_series REF 0.4
:next k
calib_set_rule 1
align 2
