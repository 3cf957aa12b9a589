@ The second statement names a function that the program does not have.
	.section .VarEd_Info,"",%progbits
	.ascii "motor_task : motor_speed = motor_limit ;\n"
	.ascii "brake_task : motor_speed = fan_step ;\n"
