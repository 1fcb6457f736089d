-- fxs/env-steam.lua
-- Steam hissing up from a vent.

FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/steam.png");
FXParm ("alpha", 0.35, 0.45);
FXParm ("alpha_graph", 0, 0);
FXParm ("alpha_graph", 0.2, 1);
FXParm ("alpha_graph", 1, 0);
FXParm ("move_angle", -90);
FXParm ("move_angle_spread", 20);
FXParm ("speed", 15, 30);
FXParm ("scale", 0.5, 0.7);
FXParm ("scale_graph", 0, 0.5);
FXParm ("scale_graph", 1, 1.6);
FXParm ("angle_spread", 360);
FXParm ("angle_rps", -40, 40);
FXParm ("age_to_die", 1.5, 2.5);
