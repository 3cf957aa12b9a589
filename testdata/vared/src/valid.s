@ Four statements: comments of both kinds, a block comment over two lines, line ends
@ of LF, CR and CR LF, tabs, and the variable motor_speed in two statements.
	.section .VarEd_Info,"",%progbits
	.ascii "# VarEd statements of the motor control\n"
	.ascii "motor_task : motor_speed = motor_limit ;   # speed up to the limit\n"
	.ascii "/* the pump:\r   its level up to its limit */\r"
	.ascii "pump_task:pump_level=pump_limit;\r\n"
	.ascii "\tfan_task\t:\tmotor_speed = fan_step; /* the same variable again */\n"
	.ascii "fan_task : pump_level = fan_step ;"
