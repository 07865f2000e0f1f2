# Sources of this subsystem are added as it is built.
