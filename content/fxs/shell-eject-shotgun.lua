-- fxs/shell-eject-shotgun.lua
-- A red shotgun shell flipped out after the pump.

FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/shell.png");
FXParm ("color_r", 0.9, 1);
FXParm ("color_g", 0.25, 0.35);
FXParm ("color_b", 0.2, 0.25);
FXParm ("move_angle", 90);
FXParm ("move_angle_spread", 30);
FXParm ("speed", 30, 50);
FXParm ("dampening_factor", 0.05, 0.1);
FXParm ("angle_spread", 40);
FXParm ("angle_rps", 270, 540);
FXParm ("alpha_graph", 0, 1);
FXParm ("alpha_graph", 0.7, 1);
FXParm ("alpha_graph", 1, 0);
FXParm ("age_to_die", 0.8, 1.1);
