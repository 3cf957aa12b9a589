@ The value of the second statement is a number, not a variable.
	.section .VarEd_Info,"",%progbits
	.ascii "motor_task : motor_speed = motor_limit ;\n"
	.ascii "pump_task :\tpump_level = 3 ;\n"
	.ascii "fan_task : motor_speed = fan_step ;\n"
